// The mode without parameters, as "REMOVE.EXE" from the list of installed
// programs: asks, hands the removal to a temporary copy of the program started
// with "/REMOVE", and deletes the product's Uninstall entry.
#pragma once

// The longest temporary folder with which the copy's quoted command line
// still fits 255 characters.
const unsigned LongestTemporaryFolder = 234;

void UninstallLauncher();
