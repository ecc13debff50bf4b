@echo off
rem Registers the 64-bit Brelund32.ocx of this folder for 64-bit programs, with the 64-bit
rem regsvr32. A 32-bit command prompt sees System32 redirected to SysWOW64: Sysnative is the
rem real System32 there.
setlocal
if "%PROCESSOR_ARCHITECTURE%"=="x86" if not defined PROCESSOR_ARCHITEW6432 (
  echo This is the 64-bit Brelund32.ocx; 32-bit Windows needs the one in the x86 folder.
  exit /b 1
)
set "REGSVR32=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\Sysnative\regsvr32.exe" set "REGSVR32=%SystemRoot%\Sysnative\regsvr32.exe"
"%REGSVR32%" %* "%~dp0Brelund32.ocx"
exit /b %ERRORLEVEL%
