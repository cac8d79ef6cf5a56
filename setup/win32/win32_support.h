// What Setup.exe and UnInst.exe share on Windows beside the logic's services.
#pragma once

// Limits the DLLs this process loads by name to the system folder, so that a
// DLL planted beside the program (in a download or temporary folder, from
// where it runs elevated) is never loaded. Called first thing. On a system
// without SetDefaultDllDirectories it does nothing.
void LimitDllSearchToSystem();
