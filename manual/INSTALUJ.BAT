@echo off
rem Installs Ranoslov from the folder this file lies in, wherever it is
rem started from: the installer takes its files from the current folder.
pushd "%~dp0"
rem ".\" also where the system searches no current folder for programs.
.\INSTALL.EXE /INSTALL
popd
