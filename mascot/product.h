// Names the mascot program carries: its caption, the single-instance mutex,
// messages of its start-up and the tray icon's tip while hidden.
#pragma once

// Caption of every message box, title of the mascot window and name of the
// single-instance mutex.
constexpr char kProductCaption[] = "Zippit(演示版)";

constexpr char kMsgAlreadyRunning[] = "不能多重起动。";
constexpr char kMsgNoSettings[] = "无法加载的注册表信息。";
constexpr char kMsgModuleVersion[] = "组件的版本不同。";

// The tray icon's tip while the user's hide key keeps the character hidden.
constexpr char kTrayTipHidden[] = "Zippit(演示版) - 已隐藏";
