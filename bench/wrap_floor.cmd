@echo off
rem The floor of a folder wrap, done with the system's own tools: the machine's
rem folder set aside, the portable copy in, the copy back out, the folder removed
rem and the machine's folder put back.
rem     wrap_floor.cmd PORTABLE_FOLDER    (it holds Settings; the machine's folder
rem                                        is %APPDATA%\BenchApp)
move "%APPDATA%\BenchApp" "%APPDATA%\BenchApp_backup" >nul
xcopy "%~1\Settings" "%APPDATA%\BenchApp\" /E /I /Q /Y >nul
xcopy "%APPDATA%\BenchApp" "%~1\Settings\" /E /I /Q /Y >nul
rmdir /S /Q "%APPDATA%\BenchApp"
move "%APPDATA%\BenchApp_backup" "%APPDATA%\BenchApp" >nul
