// Control, command, template and image ids of the program.
#pragma once

namespace res {

// Templates
constexpr int kMainTemplate = 102;
constexpr int kOptionTemplate = 132;
constexpr int kPermissionTemplate = 141;
constexpr int kHostProTemplate = 190;

// Buttons of every dialog
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Main window controls
constexpr int kServerNameEdit = 1000;
constexpr int kUserNameEdit = 1001;
constexpr int kPasswordEdit = 1002;
constexpr int kRemoteList = 1003;
constexpr int kLocalList = 1004;
constexpr int kDriveCombo = 1005;
constexpr int kRemotePathCombo = 1006;
constexpr int kLocalUpButton = 1007;
constexpr int kRemoteUpButton = 1008;
constexpr int kLogEdit = 1009;
constexpr int kProgressBar = 1010;
constexpr int kHostTab = 1011;
constexpr int kConnectButton = 1012;
constexpr int kOptionButton = 1013;
constexpr int kByteCounter = 1014;
constexpr int kCancelButton = 1016;
constexpr int kLocalRefreshButton = 1020;
constexpr int kUploadAllButton = 1021;
constexpr int kMirrorButton = 1022;
constexpr int kRemoteRefreshButton = 1023;
constexpr int kBytesLabel = 1024;
constexpr int kOpenFolderButton = 1027;
constexpr int kHostList = 1035;
constexpr int kHostBackground = 1036;
constexpr int kServerNameLabel = 1037;
constexpr int kUserNameLabel = 1038;
constexpr int kPasswordLabel = 1039;
constexpr int kStatusBar = 1040;
// Beside the byte counter: the whole transfer job's files, bytes, rate and time left.
constexpr int kJobStatus = 1043;

// Host property dialog (190)
constexpr int kHostProServer = 1000;
constexpr int kHostProUser = 1001;
constexpr int kHostProPassword = 1002;
constexpr int kHostProFolder = 1009;
constexpr int kHostProTimeZone = 1006;

// Option dialog (132)
constexpr int kOptExtensionEdit = 1000;
constexpr int kOptExtensionList = 1003;
constexpr int kOptAdd = 1007;
constexpr int kOptDelete = 1008;
constexpr int kOptHelpButton = 1012;
constexpr int kOptDoNotSavePassword = 1017;
constexpr int kOptDoNotConfirmDelete = 1025;
constexpr int kOptLowercaseName = 1031;
constexpr int kOptLowercaseExtension = 1032;
constexpr int kOptDoNotDelete = 1033;
constexpr int kOptHelpLine = 1034;
constexpr int kOptPassiveMode = 1041;
constexpr int kOptKeepFileTimes = 1042;
constexpr int kOptTransfers = 1044; // drop-down list: simultaneous transfers, 1 to 10
constexpr int kOptKeyring = 1045;   // passwords in the desktop's keyring

// Permission dialog (141)
constexpr int kPermModeEdit = 1000;

// Menu commands
constexpr int kCmdLocalOpen = 32771;
constexpr int kCmdLocalUpload = 32772;
constexpr int kCmdLocalDelete = 32773;
constexpr int kCmdLocalRename = 32774;
constexpr int kCmdLocalRefresh = 32775;
constexpr int kCmdUploadAll = 32776;
constexpr int kCmdMirroring = 32777;
constexpr int kCmdLocalCreateFolder = 32778;
constexpr int kCmdRemoteOpen = 32779;
constexpr int kCmdDownload = 32780;
constexpr int kCmdRemoteDelete = 32781;
constexpr int kCmdRemoteRename = 32782;
constexpr int kCmdPermission = 32783;
constexpr int kCmdRemoteRefresh = 32784;
constexpr int kCmdRemoteCreateFolder = 32786;
constexpr int kCmdHostConnect = 183;
constexpr int kCmdHostProperty = 185;
constexpr int kCmdCreateHost = 187;
constexpr int kCmdHostDelete = 189;
constexpr int kCmdOverwriteUpload = 195;

// Menus
constexpr int kMenuLocalItems = 137;
constexpr int kMenuLocalEmpty = 138;
constexpr int kMenuRemoteItems = 139;
constexpr int kMenuRemoteEmpty = 140;
constexpr int kMenuHostConnect = 182;
constexpr int kMenuHostCreate = 186;
constexpr int kMenuHostDisconnect = 191;

// Images
constexpr int kIconApp = 128;
constexpr int kBitmapFileTypes = 129;
constexpr int kCursorNoDrop = 130;
constexpr int kCursorDrop = 131;
constexpr int kIconUp = 145;
constexpr int kIconRefresh = 147;
constexpr int kIconMirror = 148;
constexpr int kIconUploadAll = 149;
constexpr int kIconCancel = 150;
constexpr int kIconConnect = 151;
constexpr int kIconOption = 153;
constexpr int kIconOpenFolder = 157;
constexpr int kIconDisconnect = 172;
constexpr int kBitmapHost = 181;

// The one window timer
constexpr int kConnectTimer = 1;

} // namespace res
