// The seam's functions under other names, for a build of an implementation that
// another one sits on top of: voq-check (tools/voq-check/) links its recording
// layer as the seam the launcher's code calls, and reaches the system below it as
// os::RealFileState, os::RealListFolder, ... Included by platform.h when the build
// defines VOQ_REAL_SEAM; the recording layer itself includes it a second time with
// VOQ_REAL_SEAM_DONE to name its own functions as usual again.
//
// Every function of platform.h must be here: one missing would link the real one
// into the check, where the recording layer does not define it
// (tests/check/seam_names_test.sh compares the list with the header).
// No include guard: the second inclusion undoes the first.

#ifndef VOQ_REAL_SEAM_DONE
#define AnsiFromWide RealAnsiFromWide
#define AskFile RealAskFile
#define AskFolder RealAskFolder
#define AskText RealAskText
#define CanOpenServiceManagerFully RealCanOpenServiceManagerFully
#define ClipboardText RealClipboardText
#define CloseFile RealCloseFile
#define CommandLineArguments RealCommandLineArguments
#define CopyFileReplacing RealCopyFileReplacing
#define CreateOneFolder RealCreateOneFolder
#define CreateOwnedMutex RealCreateOwnedMutex
#define DeleteOneFile RealDeleteOneFile
#define DesktopWallpaper RealDesktopWallpaper
#define ExitProcessNow RealExitProcessNow
#define ExpandEnv RealExpandEnv
#define FileAttributes RealFileAttributes
#define FileState RealFileState
#define FlushFile RealFlushFile
#define FlushRegKey RealFlushRegKey
#define InitialiseServices RealInitialiseServices
#define InternetConnected RealInternetConnected
#define ListFolder RealListFolder
#define ListRegSubkeys RealListRegSubkeys
#define LocalClock RealLocalClock
#define FileClock RealFileClock
#define StampWriteTime RealStampWriteTime
#define LongPathName RealLongPathName
#define MakeSymbolicLink RealMakeSymbolicLink
#define MatchesSpec RealMatchesSpec
#define ModulePath RealModulePath
#define MoveFileOrFolder RealMoveFileOrFolder
#define OpenConsole RealOpenConsole
#define OpenExistingFile RealOpenExistingFile
#define Pause RealPause
#define ProcessHasEnded RealProcessHasEnded
#define QueryRegData RealQueryRegData
#define QueryRegKeyCounts RealQueryRegKeyCounts
#define QueryRegValue RealQueryRegValue
#define QueryRegValues RealQueryRegValues
#define QueryRunner RealQueryRunner
#define QueryVersion RealQueryVersion
#define RaiseTimerResolution RealRaiseTimerResolution
#define ReadEnv RealReadEnv
#define ReadWholeFile RealReadWholeFile
#define RegEnumValueName RealRegEnumValueName
#define ReleaseOwnedMutex RealReleaseOwnedMutex
#define ReleaseProcess RealReleaseProcess
#define ReleaseWorkingSet RealReleaseWorkingSet
#define RemoveOneFolder RealRemoveOneFolder
#define ReplaceFileWith RealReplaceFileWith
#define RewriteFile RealRewriteFile
#define RunCapturingOutput RealRunCapturingOutput
#define RunsUnderWow64 RealRunsUnderWow64
#define SameFileBytes RealSameFileBytes
#define SetClipboardText RealSetClipboardText
#define SetCurrentFolder RealSetCurrentFolder
#define SetDesktopWallpaper RealSetDesktopWallpaper
#define SetFileAttributes RealSetFileAttributes
#define SetFileDate RealSetFileDate
#define SetNormalAttributes RealSetNormalAttributes
#define ShellStart RealShellStart
#define ShowMessageBox RealShowMessageBox
#define StartHiddenAndWait RealStartHiddenAndWait
#define StartInConsole RealStartInConsole
#define StartProgram RealStartProgram
#define TempFolderLong RealTempFolderLong
#define TopLevelWindowTitles RealTopLevelWindowTitles
#define UpperCaseForNames RealUpperCaseForNames
#define WaitForProcessEnd RealWaitForProcessEnd
#define WideFromAnsi RealWideFromAnsi
#define WindowsDirectory RealWindowsDirectory
#define WindowsIs64Bit RealWindowsIs64Bit
#define WriteEnv RealWriteEnv
#define WriteNewFile RealWriteNewFile
#else
#undef AnsiFromWide
#undef AskFile
#undef AskFolder
#undef AskText
#undef CanOpenServiceManagerFully
#undef ClipboardText
#undef CloseFile
#undef CommandLineArguments
#undef CopyFileReplacing
#undef CreateOneFolder
#undef CreateOwnedMutex
#undef DeleteOneFile
#undef DesktopWallpaper
#undef ExitProcessNow
#undef ExpandEnv
#undef FileAttributes
#undef FileState
#undef FlushFile
#undef FlushRegKey
#undef InitialiseServices
#undef InternetConnected
#undef ListFolder
#undef ListRegSubkeys
#undef LocalClock
#undef FileClock
#undef StampWriteTime
#undef LongPathName
#undef MakeSymbolicLink
#undef MatchesSpec
#undef ModulePath
#undef MoveFileOrFolder
#undef OpenConsole
#undef OpenExistingFile
#undef Pause
#undef ProcessHasEnded
#undef QueryRegData
#undef QueryRegKeyCounts
#undef QueryRegValue
#undef QueryRegValues
#undef QueryRunner
#undef QueryVersion
#undef RaiseTimerResolution
#undef ReadEnv
#undef ReadWholeFile
#undef RegEnumValueName
#undef ReleaseOwnedMutex
#undef ReleaseProcess
#undef ReleaseWorkingSet
#undef RemoveOneFolder
#undef ReplaceFileWith
#undef RewriteFile
#undef RunCapturingOutput
#undef RunsUnderWow64
#undef SameFileBytes
#undef SetClipboardText
#undef SetCurrentFolder
#undef SetDesktopWallpaper
#undef SetFileAttributes
#undef SetFileDate
#undef SetNormalAttributes
#undef ShellStart
#undef ShowMessageBox
#undef StartHiddenAndWait
#undef StartInConsole
#undef StartProgram
#undef TempFolderLong
#undef TopLevelWindowTitles
#undef UpperCaseForNames
#undef WaitForProcessEnd
#undef WideFromAnsi
#undef WindowsDirectory
#undef WindowsIs64Bit
#undef WriteEnv
#undef WriteNewFile
#endif
