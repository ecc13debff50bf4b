@echo off
rem Registers the 32-bit Brelund32.ocx of this folder for 32-bit programs.
rem On 64-bit Windows that is the 32-bit regsvr32 in SysWOW64, which writes the 32-bit registry.
setlocal
set "REGSVR32=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "REGSVR32=%SystemRoot%\SysWOW64\regsvr32.exe"
"%REGSVR32%" %* "%~dp0Brelund32.ocx"
exit /b %ERRORLEVEL%
