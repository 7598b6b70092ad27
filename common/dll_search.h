// Windows only: keeps the program from loading DLLs planted beside it.
#pragma once

// Restricts the DLL search to the system folder. Call first thing at start.
// Systems without SetDefaultDllDirectories (before Windows 7 with KB2533623)
// keep their default search.
void RestrictDllSearch();
