@echo off
rem Session list command of the Salle Talvero 30 panel, for the Windows
rem server the panel runs on. Installed as d:\talvero\session.bat; the panel
rem runs it at start-up, every 30 seconds and on demand, and reads
rem d:\talvero\dcon.txt, which this file replaces.
rem
rem What it expects from the system:
rem  - Windows Server 2012 or later (Windows PowerShell 5.1, Get-SmbSession).
rem  - The stations of the room hold a file-sharing (SMB) session to this
rem    server while a user is logged on to them: home folder, mapped drive or
rem    logon script on this server. Each such session is one line of the list.
rem  - It runs as an administrator: Get-SmbSession refuses other accounts.
rem  - Reverse DNS gives each station's name from its address; a station that
rem    does not resolve is listed under its address and marks no tile.
rem
rem What it writes: dcon.txt in the fixed columns the panel reads, in the ANSI
rem code page (powershell.exe is Windows PowerShell 5.1, whose
rem Encoding.Default is that code page; PowerShell 7 would write UTF-8), lines
rem ending with CR LF:
rem   columns 1-2 two backslashes, 3 on the computer name (first DNS label,
rem   upper case), 24-40 the user name without its domain, cut to 17
rem   characters, and the idle time hh:mm:ss ending in column 52.
rem Sessions of computer accounts (names ending in $) and anonymous sessions
rem are left out: they are not users at a station.
rem
rem The list is written to a temporary file in d:\talvero\ and moved over
rem dcon.txt only when complete, so the panel never reads half a list. When
rem anything fails, dcon.txt is left as it was and the exit code is 1.
rem
rem The PowerShell code below uses single quotes only and no percent sign,
rem so that cmd passes it through unchanged.

setlocal
set "folder=d:\talvero"
set "out=%folder%\dcon-%RANDOM%%RANDOM%.tmp"

set "ps=$ErrorActionPreference = 'Stop';"
set "ps=%ps% $records = foreach ($s in Get-SmbSession) {"
set "ps=%ps%   $user = ($s.ClientUserName -split '\\')[-1];"
set "ps=%ps%   if (-not $user -or $user.EndsWith('$')) { continue };"
set "ps=%ps%   $name = $s.ClientComputerName;"
set "ps=%ps%   try { $name = ([System.Net.Dns]::GetHostEntry($name).HostName -split '\.')[0] } catch { };"
set "ps=%ps%   $t = [TimeSpan]::FromSeconds($s.SecondsIdle);"
set "ps=%ps%   $idle = '{0:00}:{1:00}:{2:00}' -f [Math]::Floor($t.TotalHours), $t.Minutes, $t.Seconds;"
set "ps=%ps%   ('\\' + $name.ToUpper()).PadRight(23) + $user.Substring(0, [Math]::Min(17, $user.Length)).PadRight(17) + $idle.PadLeft(12)"
set "ps=%ps% };"
rem In PowerShell the comma binds tighter than + and *: hence the parentheses.
set "ps=%ps% $lines = @(('Sessions open on \\' + $env:COMPUTERNAME), '',"
set "ps=%ps%   ('Computer'.PadRight(23) + 'User name'.PadRight(17) + 'Idle time'.PadLeft(12)), ('-' * 79));"
set "ps=%ps% if ($records) { $lines += @($records | Sort-Object) };"
set "ps=%ps% $lines += @('', 'The command completed successfully.');"
set "ps=%ps% [System.IO.File]::WriteAllLines($env:out, [string[]]$lines, [System.Text.Encoding]::Default)"

powershell.exe -NoProfile -NonInteractive -Command "%ps%"
if errorlevel 1 goto failed
move /y "%out%" "%folder%\dcon.txt" >nul
if errorlevel 1 goto failed
exit /b 0

:failed
if exist "%out%" del "%out%"
exit /b 1
