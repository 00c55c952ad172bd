@echo off
rem Opens the recorder's card in the browser: "kovra-cli.exe serve" on the first removable
rem drive it finds (the card, as Kovra.exe takes it), saving clips and frames into Videos\Kovra. Its window shows the
rem link; closing the window (or Ctrl+C in it) stops the player. Options given here go to
rem serve, e.g. "kovra-player.cmd --card F:\" or "--save D:\Dashcam".
setlocal
set "KOVRA_PROGRAM=%~dp0kovra-cli.exe"
if not exist "%KOVRA_PROGRAM%" (
  echo kovra-cli.exe is not beside this file: keep the two together.
  pause
  exit /b 1
)
"%KOVRA_PROGRAM%" serve %*
if errorlevel 1 pause
