#include "res/templates.h"

#include "res/resource_ids.h"

namespace res {
namespace {

using K = ControlKind;

const std::vector<DialogTemplate>& Templates() {
    static const std::vector<DialogTemplate> templates = {
        {kMainTemplate,
         "FTP Quorrel Ver.1.20",
         469,
         302,
         {
             {kHostList, K::ListView, 4, 14, 228, 48, "",
              kSingleSelection | kShowSelectionAlways | kBorder | kHidden},
             {kHostBackground, K::Static, 3, 13, 230, 50, ""},
             {kServerNameEdit, K::Edit, 56, 17, 172, 13, "", kBorder | kAutoHScroll},
             {kUserNameEdit, K::Edit, 56, 32, 172, 13, "", kBorder | kAutoHScroll},
             {kPasswordEdit, K::Edit, 56, 47, 172, 13, "", kBorder | kPassword | kAutoHScroll},
             {kServerNameLabel, K::Static, 8, 20, 42, 8, "Server Name", kCentered},
             {kUserNameLabel, K::Static, 14, 34, 35, 8, "User Name", kCentered},
             {kPasswordLabel, K::Static, 18, 49, 30, 8, "Password", kCentered},
             {kRemoteList, K::ListView, 235, 104, 232, 184, "",
              kEditLabels | kBorder | kAcceptFiles | kDetailView},
             {kLocalList, K::ListView, 2, 104, 232, 184, "", kEditLabels | kBorder | kDetailView},
             {kDriveCombo, K::ImageComboBox, 26, 89, 207, 160, "", kTypedText},
             {kRemotePathCombo, K::ComboBox, 259, 89, 208, 204, "", kTypedText},
             {kLogEdit, K::MultiLineEdit, 237, 2, 230, 52, "", kReadOnly | kVScroll | kBorder},
             {kProgressBar, K::ProgressBar, 238, 56, 155, 9, "", kBorder},
             {kByteCounter, K::Static, 395, 56, 46, 9, "0", kRightAligned | kSunken},
             {kBytesLabel, K::Static, 444, 57, 20, 8, "Bytes"},
             {kJobStatus, K::Static, 334, 69, 133, 18, ""},
             {kHostTab, K::TabControl, 2, 0, 233, 65, ""},
             {kLocalUpButton, K::IconButton, 3, 88, 21, 15, "", kNone, kIconUp},
             {kRemoteUpButton, K::IconButton, 236, 88, 21, 15, "", kNone, kIconUp},
             {kConnectButton, K::IconButton, 261, 68, 22, 19, "", kNone, kIconConnect},
             {kOptionButton, K::IconButton, 132, 68, 22, 19, "", kNone, kIconOption},
             {kCancelButton, K::IconButton, 285, 68, 22, 19, "", kDisabled, kIconCancel},
             {kLocalRefreshButton, K::IconButton, 74, 68, 22, 19, "", kNone, kIconRefresh},
             {kUploadAllButton, K::IconButton, 28, 68, 22, 19, "", kNone, kIconUploadAll},
             {kMirrorButton, K::IconButton, 51, 68, 22, 19, "", kNone, kIconMirror},
             {kRemoteRefreshButton, K::IconButton, 309, 68, 22, 19, "", kNone, kIconRefresh},
             {kOpenFolderButton, K::IconButton, 97, 68, 22, 19, "", kNone, kIconOpenFolder},
         }},
        {kOptionTemplate,
         "Option",
         242,
         178,
         {
             {kIdOk, K::DefaultButton, 177, 143, 30, 14, "&OK"},
             {kIdCancel, K::PushButton, 209, 143, 30, 14, "&Cancel"},
             {kNoId, K::GroupBox, 3, 90, 101, 66, "ASCII Mode"},
             {kOptExtensionList, K::ListBox, 7, 101, 52, 56, "", kVScroll | kBorder},
             {kOptExtensionEdit, K::Edit, 62, 101, 36, 12, "", kBorder | kAutoHScroll},
             {kOptAdd, K::PushButton, 66, 121, 30, 14, "&Add"},
             {kOptDelete, K::PushButton, 66, 137, 30, 14, "&Delete"},
             {kOptDoNotSavePassword, K::CheckBox, 8, 43, 83, 10, "Do not save password"},
             {kOptPassiveMode, K::CheckBox, 8, 57, 160, 10,
              "Use passive mode (behind a firewall or router)"},
             {kOptKeepFileTimes, K::CheckBox, 100, 43, 134, 10,
              "Keep the files' modification times"},
             {kNoId, K::Static, 8, 73, 76, 8, "Simultaneous transfers:"},
             {kOptTransfers, K::ComboBox, 86, 71, 30, 120, "", kVScroll},
             {kOptKeyring, K::CheckBox, 124, 72, 110, 10, "Passwords in the keyring"},
             {kOptHelpButton, K::PushButton, 161, 143, 14, 14, "?"},
             {kOptDoNotConfirmDelete, K::CheckBox, 113, 102, 121, 10,
              "Do not confirm when deleting files"},
             {kNoId, K::GroupBox, 3, 3, 235, 83, "General"},
             {kNoId, K::GroupBox, 109, 90, 130, 42, "Mirroring"},
             {kOptLowercaseName, K::CheckBox, 8, 15, 167, 10,
              "Convert file name to lowercase then transfer files"},
             {kOptLowercaseExtension, K::CheckBox, 8, 29, 196, 10,
              "Convert only file extension to lowercase then transfer files"},
             {kOptDoNotDelete, K::CheckBox, 113, 116, 73, 10, "Do not delete files"},
             {kOptHelpLine, K::Static, 3, 159, 236, 17, "", kSunken},
         }},
        {kPermissionTemplate,
         "Permission Window",
         121,
         48,
         {
             {kIdOk, K::DefaultButton, 52, 32, 32, 14, "&OK"},
             {kIdCancel, K::PushButton, 86, 32, 32, 14, "&Cancel"},
             {kPermModeEdit, K::Edit, 60, 9, 31, 12, "", kBorder | kAutoHScroll},
             {kNoId, K::Static, 8, 11, 48, 8, "File Permission"},
         }},
        {kHostProTemplate,
         "Host Propetry",
         191,
         88,
         {
             {kIdOk, K::DefaultButton, 109, 71, 38, 14, "&OK"},
             {kIdCancel, K::PushButton, 149, 71, 38, 14, "&Cancel"},
             {kNoId, K::Static, 18, 4, 42, 8, "Server Name"},
             {kNoId, K::Static, 24, 17, 35, 8, "User Name"},
             {kNoId, K::Static, 28, 30, 33, 8, "Password"},
             {kHostProServer, K::Edit, 65, 2, 121, 12, "", kBorder | kAutoHScroll},
             {kHostProUser, K::Edit, 65, 15, 121, 12, "", kBorder},
             {kHostProPassword, K::Edit, 65, 28, 121, 12, "", kBorder | kPassword},
             {kHostProFolder, K::Edit, 65, 41, 121, 12, "", kBorder},
             {kNoId, K::Static, 5, 43, 59, 8, "Host Initial Folder"},
             {kNoId, K::Static, 9, 57, 53, 8, "Host Time Zone"},
             {kHostProTimeZone, K::ComboBox, 65, 54, 121, 144, "", kVScroll},
         }},
    };
    return templates;
}

const std::vector<Menu>& Menus() {
    static const std::vector<Menu> menus = {
        {kMenuLocalItems,
         "pop1",
         {{kCmdLocalOpen, "&Open"},
          {kCmdLocalUpload, "&Upload"},
          {kCmdOverwriteUpload, "Orver&Wirte Upload"},
          {0, ""},
          {kCmdLocalDelete, "&Delete"},
          {kCmdLocalRename, "&Rename"}}},
        {kMenuLocalEmpty,
         "pop2",
         {{kCmdLocalRefresh, "&Refresh"},
          {kCmdUploadAll, "&All Items Upload"},
          {kCmdMirroring, "&Mirroring"},
          {0, ""},
          {kCmdLocalCreateFolder, "&Create Folder"}}},
        {kMenuRemoteItems,
         "pop3",
         {{kCmdRemoteOpen, "&Open"},
          {kCmdDownload, "Down&laod"},
          {0, ""},
          {kCmdRemoteDelete, "&Delete"},
          {kCmdRemoteRename, "&Rename"},
          {kCmdPermission, "&Permission"}}},
        {kMenuRemoteEmpty,
         "pop4",
         {{kCmdRemoteRefresh, "&Refresh"}, {kCmdRemoteCreateFolder, "&Create Folder"}}},
        {kMenuHostConnect,
         "host1",
         {{kCmdHostConnect, "&Connect"},
          {kCmdHostDelete, "&Delete"},
          {0, ""},
          {kCmdHostProperty, "&Property"}}},
        {kMenuHostCreate, "host2", {{kCmdCreateHost, "&Create New Host"}}},
        {kMenuHostDisconnect,
         "host3",
         {{kCmdHostConnect, "&Disconnect"},
          {kCmdHostDelete, "&Delete"},
          {0, ""},
          {kCmdHostProperty, "&Property"}}},
    };
    return menus;
}

} // namespace

std::string ControlTip(int templateId, int controlId, int icon) {
    struct Tip {
        int control;
        int icon; // 0: whatever the icon
        const char* text;
    };
    static const Tip kMainTips[] = {
        {kLocalUpButton, 0, "Up one local folder"},
        {kRemoteUpButton, 0, "Up one remote folder"},
        {kConnectButton, kIconDisconnect, "Disconnect"},
        {kConnectButton, 0, "Connect"},
        {kOptionButton, 0, "Options"},
        {kCancelButton, 0, "Cancel the transfer"},
        {kLocalRefreshButton, 0, "Refresh the local folder"},
        {kUploadAllButton, 0, "Upload all items"},
        {kMirrorButton, 0, "Mirror the local folder onto the server"},
        {kRemoteRefreshButton, 0, "Refresh the remote folder"},
        {kOpenFolderButton, 0, "Open the local folder in the file manager"},
        {kProgressBar, 0, "Progress of the file being transferred"},
        {kByteCounter, 0, "Bytes transferred of the file"},
        {kDriveCombo, 0, "Local folder: choose a drive or folder, or type a path and press Enter"},
        {kRemotePathCombo, 0, "Remote folder: choose a recent one, or type a path and press Enter"},
    };
    if (templateId != kMainTemplate) {
        return "";
    }
    for (const Tip& tip : kMainTips) {
        if (tip.control == controlId && (tip.icon == 0 || tip.icon == icon)) {
            return tip.text;
        }
    }
    return "";
}

const DialogTemplate* FindTemplate(int id) {
    for (const auto& t : Templates()) {
        if (t.id == id) {
            return &t;
        }
    }
    return nullptr;
}

const Menu* FindMenu(int id) {
    for (const auto& m : Menus()) {
        if (m.id == id) {
            return &m;
        }
    }
    return nullptr;
}

} // namespace res
