// The ids of the string table's texts, named for what each says.
#pragma once

namespace res {

enum TextId : int {
    kTextSocketInitFailed = 102,     // "Windows socket initialization failed."
    kTextFilesDownloaded = 104,      // " file(s) downloaded\r\n"
    kTextCannotRun = 106,            // "Cannot run this application."
    kTextCannotChangeHost = 110,     // while a job runs
    kTextDisconnectForNewHost = 111, // question
    kTextCloseWhileBusy = 112,       // question
    kTextCannotSetupOptions = 113,
    kTextCannotOpenDriveList = 114, // "Cannot open the folder." (the drive list is shown)
    kTextCannotOpenFolder = 115,    // "Cannot open the folder." (the desktop refused)
    kTextCannotCreateFolder = 116,
    kTextBadTiming = 117,    // a file appeared between the two scans
    kTextDeletePrefix = 118, // "Do you wish to delete "
    kTextCannotDelete = 119, // "Cannot delete "
    kTextTooManyFolders = 120,
    kTextCannotRename = 121,
    kTextTypeExtension = 122,
    kTextNoMoreExtensions = 123,
    kTextExtensionPosted = 124,
    kTextChooseItemToDelete = 125,
    kTextAboutAsciiMode = 126,
    kTextDownloadPrefix = 127, // "Do you wish to download "
    kTextUploadPrefix = 128,   // "Do you wish to upload "
    kTextStartMirroring = 129,
    kTextUploadAll = 130,
    kTextNoLocalFolder = 131, // "A local current directory is invalid."
    kTextNothingToUpload = 132,
    kTextCannotChangePermission = 133,
    kTextPermissionChanged = 134,
    kTextDownloadIncomplete = 135,
    kTextDownloadCompleted = 136,
    kTextDownloadCanceled = 137,
    kTextResumeDownload = 138,
    kTextCancellationAccepted = 139,
    kTextUploadIncomplete = 141,
    kTextMirroringCompleted = 142,
    kTextUploadCompleted = 143,
    kTextTransferCanceled = 144,
    kTextFilesUploaded = 145, // " file(s) uploaded\r\n"
    kTextCannotFind = 146,    // "Cannot find "
    kTextDeleteCanceled = 148,
    kTextDeleteCompleted = 149,
    kTextDeleteIncomplete = 150,
    kTextCannotConnect = 151,
    kTextCurrentFolderFailed = 152,
    kTextDisconnected = 154,
    kTextListPuttingFailed = 155,
    kTextListReceivingFailed = 157,
    kTextTooManyEntries = 158,
    kTextConnectingTo = 159, // "Connecting to "
    kTextCancelDownload = 160,
    kTextCancelUpload = 161,
    kTextFilesDeleted = 162, // " file(s) deleteing completed successfully.\r\n"
    kTextHelpDoNotSavePassword = 163,
    kTextHelpDoNotConfirmDelete = 164,
    kTextHelpLowercaseName = 165,
    kTextHelpLowercaseExtension = 166,
    kTextHelpDoNotDelete = 167,
    kTextSelectedFiles = 168, // " selected file(s) ?"
    kTextNoMoreHosts = 169,
    kTextCreateNewHost = 170,
    kTextTypeServerName = 171,
    kTextConnectBeforeDrop = 172,
    // Texts added since, after the original ones; their numbers never change.
    kTextHelpPassiveMode = 173,
    kTextPassiveFromNowOn = 174, // logged when active mode fails and passive takes over
    kTextNoPassivePort = 175,
    kTextCannotSaveSettings = 176, // "The settings could not be written to "
    kTextCloseAnyway = 177,        // question
    // FTP over TLS.
    kTextTlsFailed = 178,           // "The secure connection (TLS) failed: " + OpenSSL's reason
    kTextTlsClosed = 179,           // the server closed the connection during the handshake
    kTextTlsOtherCertificate = 180, // a data connection showed another certificate
    kTextTlsRefused = 181,          // AUTH TLS refused: nothing more was sent
    kTextTlsSecured = 182,          // logged: "Secure connection: " + version + ", " + cipher
    kTextCertUnverified = 183,      // "The server's certificate could not be verified: "
    kTextCertChanged = 184,         // warning before the question when the fingerprint changed
    kTextCertSubject = 185,         // "Subject: "
    kTextCertIssuer = 186,          // "Issuer: "
    kTextCertValidFrom = 187,       // "Valid from "
    kTextCertValidTo = 188,         // " to "
    kTextCertFingerprint = 189,     // "SHA-256 fingerprint: "
    kTextCertTrust = 190,           // the question
    kTextStoppedAnswering = 191,    // logged when the server let the idle limit pass
    kTextReplyTooLong = 192,        // logged when a reply passes its limit
    kTextNotRegularFile = 193,      // a FIFO, device or socket where a file is read or written
    kTextReplaceNewer = 194,        // "The local file is newer than the server's: " + name
    kTextReplaceNewerQuestion = 195,
    kTextNotWhole = 196,        // "The download is not whole: " + name
    kTextNotWholeSizes = 197,   // count + " bytes arrived; the listing says " + count
    kTextSettingsRefused = 198, // "The settings file cannot be used ..." + path + reason
    kTextSettingsNotFile = 199,
    kTextSettingsTooLarge = 200,
    kTextSettingsOthersLink = 201,
    kTextWaitCanceled = 202,    // logged when the user's cancel ended a wait for the server
    kTextTreeTooDeep = 203,     // + path
    kTextTooManyListings = 204, // + path
    kTextListOffset = 205,      // logged: the server's listed times are UTC + the offset
    kTextHelpKeepFileTimes = 206,
    kTextConnectionName = 207,   // "Connection " + number: the extra connection a block is from
    kTextLaneLostRetry = 208,    // logged after its name: lost, its file goes again
    kTextLaneLost = 209,         // logged after its name: lost on its file's second attempt
    kTextFewerConnections = 210, // logged once: extra connections refused + how many move files
    kTextHelpTransfers = 211,
    kTextNoServerName = 212,
    kTextCannotResolve = 213, // + name + "\":" + the resolver's reason
    kTextHelpKeyring = 214,
    kTextKeyringUnreadable = 215, // + the reason + kTextKeyringUnreadableEnd
    kTextKeyringUnreadableEnd = 216,
};

} // namespace res
