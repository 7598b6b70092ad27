# The installer and uninstaller program.
