@echo off
rem Makes Kovra's card watcher start at each log-in of the user who runs this: a shortcut in
rem that user's Startup folder runs "kovra-cli.exe watch --set-clock --export FOLDER", FOLDER
rem being the one given here or Videos\Kovra. Run it again to change the folder; delete
rem "Kovra watch" from the Startup folder (shell:startup) to stop it.
setlocal
set "KOVRA_PROGRAM=%~dp0kovra-cli.exe"
set "KOVRA_FOLDER=%USERPROFILE%\Videos\Kovra"
if not "%~1"=="" set "KOVRA_FOLDER=%~f1"
if not exist "%KOVRA_PROGRAM%" (
  echo kovra-cli.exe is not beside this file: keep the two together.
  exit /b 1
)
powershell -NoProfile -ExecutionPolicy Bypass -Command ^
  "$link = (New-Object -ComObject WScript.Shell).CreateShortcut([Environment]::GetFolderPath('Startup') + '\Kovra watch.lnk');" ^
  "$link.TargetPath = $env:KOVRA_PROGRAM;" ^
  "$link.Arguments = 'watch --set-clock --export \"' + $env:KOVRA_FOLDER + '\"';" ^
  "$link.WorkingDirectory = $env:USERPROFILE;" ^
  "$link.WindowStyle = 7;" ^
  "$link.Save()"
if errorlevel 1 (
  echo The shortcut could not be made.
  exit /b 1
)
echo Kovra's watcher now starts at each log-in and exports into %KOVRA_FOLDER%.
echo It starts now too, minimised; Ctrl+C in its window stops it.
start "Kovra watch" /min "%KOVRA_PROGRAM%" watch --set-clock --export "%KOVRA_FOLDER%"
