#pragma once
// Names for the string-table ids that code passes around as results and
// message-box texts. The words themselves live only in the string table
// (string_table_entries.inc); an id whose text is used in one place only may
// stay a plain number there.

namespace kestrune {

// Run errors with a code in this range are the program's own messages and take
// their text from the string table; other codes belong to the driver or OPC.
constexpr int kFirstProgramMessage = 10001;
constexpr int kLastProgramMessage = 59999;

// ---- Start-up and document templates ----
constexpr int kMsgOleInitFailed = 100;
constexpr int kMsgSocketsInitFailed = 104;
constexpr int kStrTaskTemplate = 237;    // "\n"-separated document template fields
constexpr int kStrScriptTemplate = 239;  // same layout as the task template
constexpr int kStrRuntimeTitle = 702;
constexpr int kMsgScriptEngineInitError = 32977;
constexpr int kMsgScriptExtensionError = 32978;

// ---- Main frame and run control ----
constexpr int kMsgProcessStillRunning = 32928;
constexpr int kMsgPasswordFileMissing = 32972;
constexpr int kMsgCannotRunPartiallyConfigured = 32878;
constexpr int kMsgStrategyModifiedSave = 32913;
constexpr int kMsgDiskSpaceLow = 34257;
constexpr int kMsgCouldNotCreateTimer = 33000;
constexpr int kMsgTimerOverrun = 34207;
constexpr int kMsgDivisionByZero = 34254;
constexpr int kMsgSetupThreadScheduling = 34228;

// ---- Network notifications that run control treats specially ----
constexpr int kMsgWinsockTerminates = 32979;
constexpr int kMsgNetFirstConnectionEvent = 32991;  // 32991..32996 go to the event log only
constexpr int kMsgNetLastConnectionEvent = 32996;
constexpr int kMsgRemoteTagTypeWrong = 33030;
constexpr int kMsgRemoteTagMissing = 34227;

// ---- Event log ----
constexpr int kMsgEventLogOutOfMemory = 34201;
constexpr int kMsgEventLogin = 34202;
constexpr int kMsgEventLogout = 34203;
constexpr int kMsgEventStrategyStarted = 34204;
constexpr int kMsgEventStrategyStopped = 34205;
constexpr int kMsgEventAcknowledged = 34206;
constexpr int kMsgEventLock = 34208;
constexpr int kMsgEventUnlock = 34209;

// ---- Message boxes ----
constexpr int kMsgMessageCaption = 34200;

// ---- Strategy file and protected save ----
constexpr int kMsgInvalidFileFormat = 32855;
constexpr int kMsgInvalidFileVersion = 32983;
constexpr int kMsgFileLoadError = 32910;
constexpr int kMsgSavePartiallyConfigured = 32923;
constexpr int kMsgCreateDisplayFailed = 32976;
constexpr int kMsgSaveWithoutPassword = 61454;
constexpr int kMsgPasswordUnmatched = 61455;
constexpr int kMsgOldVersionWarning = 61456;

// ---- Connections, wires and execution order ----
constexpr int kMsgNoOutputAvailable = 32921;
constexpr int kMsgCannotAcceptInput = 32922;
constexpr int kMsgInvalidConnection = 32930;
constexpr int kMsgDataTypeMismatch = 32931;
constexpr int kMsgInputAlreadyConnected = 32932;
constexpr int kMsgExistingConnection = 32877;
constexpr int kMsgDataTypeMismatchContinue = 34243;
constexpr int kMsgEmptySelection = 32984;
constexpr int kMsgInputIsItself = 34234;
constexpr int kMsgLoopRefused = 32974;
constexpr int kMsgDeleteSelectedItems = 32918;
constexpr int kMsgWrongOrder = 32975;
constexpr int kMsgReorderingCompleted = 32998;
constexpr int kStrOutputFrom = 31073;  // caption of the output port list

// ---- Results shared by blocks and display items ----
constexpr int kMsgOutOfMemory = 32853;
constexpr int kMsgGenericError = 32854;
constexpr int kMsgCannotOpenFile = 32860;
constexpr int kMsgDeviceUndefined = 32864;
constexpr int kMsgInputUndefined = 32866;
constexpr int kMsgUserProgramBlockUnsupported = 32867;
constexpr int kMsgUnconfiguredBlock = 32869;
constexpr int kMsgInvalidParameters = 32874;
constexpr int kMsgDdeLinkUndefined = 32875;
constexpr int kMsgInputNotSelected = 32876;
constexpr int kMsgTriggerInputRequired = 32885;
constexpr int kMsgNoFileNameInBlock = 32897;
constexpr int kMsgSyntaxError = 32905;
constexpr int kMsgCannotPlayWave = 33011;

// ---- Scan tasks and scripts ----
constexpr int kMsgWrongTask = 33006;
constexpr int kMsgScriptErrorAtLine = 61449;
constexpr int kMsgPreTaskScriptUnknownError = 33007;
constexpr int kMsgPostTaskScriptUnknownError = 33009;
constexpr int kMsgMainScriptUnknownError = 33002;
constexpr int kMsgMainScriptRunError = 33003;
constexpr int kMsgInvalidTaskOrTagName = 34232;
constexpr int kStrNewMainScript = 61446;
constexpr int kMsgDeleteMainScript = 61447;

// ---- Settings checks used by several property dialogs ----
constexpr int kMsgPrecisionTooLarge = 32933;
constexpr int kMsgUpdateRateInvalid = 34223;
constexpr int kMsgTooManyChannels = 32964;

// ---- Task designer tools (command ids whose strings are the tool captions) ----
constexpr int kToolPointer = 34100;  // no string
constexpr int kToolConnectionWire = 34101;
constexpr int kToolFirstBlock = 34102;
constexpr int kToolLastBlock = 34129;  // the legacy user-program block; no string
constexpr int kToolTrigger = 34130;    // places nothing

// ---- Display designer tools ----
constexpr int kDisplayToolArrow = 34000;  // no string
constexpr int kDisplayToolFirst = 34001;
constexpr int kDisplayToolLast = 34024;

}  // namespace kestrune
