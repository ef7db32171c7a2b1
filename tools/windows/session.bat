@rem Writes d:\talvero\dcon.txt for the panel. Files on another server: put its name after the program, as in d:\talvero\sesslist.exe \\SERVEUR
@d:\talvero\sesslist.exe
