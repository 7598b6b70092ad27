// The mode "/INSTALL": installs the product from the current folder into
// "Program Files\Ranoslov" on the drive of the Windows directory.
#pragma once

// The viewer and its manual of this edition, as shipped beside the installer.
#define PRODUCT_VIEWER VIEWER_NAME ".EXE"
#define PRODUCT_MANUAL VIEWER_NAME ".RTF"

void InstallProcedure();
