#include "res/string_table.h"

#include <map>

namespace res {
namespace {

const std::map<int, std::string>& Table() {
    static const std::map<int, std::string> table = {
        {102, "Windows socket initialization failed."},
        {104, " file(s) downloaded\r\n"},
        {106, "Cannot run this application."},
        {110, "You can not change the host while communicating with the FTP server."},
        {111, "Do you wish to disconnect and connect to a new host?"},
        {112, "FTP Quorrel is communicateting with the FTP server.\r\nAre you sure you want to "
              "close FTP Quorrel?"},
        {113, "Cannot setup the option now."},
        {114, "Cannot open the folder."},
        {115, "Cannot open the folder."},
        {116, "Cannot create the folder."},
        {117, "A file was create by other application in a bad timing."},
        {118, "Do you wish to delete "},
        {119, "Cannot delete "},
        {120, "The processing is unable to continue due to too many folders.\nTry it again."},
        {121, "Cannot rename the file."},
        {122, "Type an extension you wish to add."},
        {123, "Cannot add an extension any more."},
        {124, "It has already been posted."},
        {125, "Choose an item to delete."},
        {126, "* About ASCII mode\r\nASCII mode is a mode when you transfer text files.\r\nThe "
              "text files must be transferred by ASCII mode.\r\nPost a file extension you want to "
              "transfer by ASCII mode.\r\nThe solution is simple. In the edit box, type some "
              "extension then click [Add]."},
        {127, "Do you wish to download "},
        {128, "Do you wish to upload "},
        {129, "Do you wish to start mirroring folders?"},
        {130, "Do you wish to upload all files in local current folder?"},
        {131, "A local current directory is invalid."},
        {132, "There was no file for the uploading."},
        {133, "Cannot change the permission.\r\n"},
        {134, "The permission was changed.\r\n"},
        {135, "Downloading files incomplete.\r\n"},
        {136, "File download completed successfully.\r\n"},
        {137, "File download has been canceled.\r\n"},
        {138, "Do you wish to resume interrupted download?\r\n(This function works only in "
              "binary mode)"},
        {139, "Accepted the cancellation.\r\n"},
        {141, "Uploading files incomplete.\r\n"},
        {142, "Folder mirroring completed successfully.\r\n"},
        {143, "File(s) uploading completed successfully.\r\n"},
        {144, "File transfer has been canceled.\r\n"},
        {145, " file(s) uploaded\r\n"},
        {146, "Cannot find "},
        {148, "Deleting files has been canceled.\r\n"},
        {149, "Deleting files completed successfully.\r\n"},
        {150, "Deleting files incomplete.\r\n"},
        {151, "\r\nCannot connect to the FTP server.\r\n"},
        {152, "Getting Current folder failed.\r\n"},
        {154, "Disconnected.\r\n"},
        {155, "The file list putting failed.\r\n"},
        {157, "The file list receiving failed."},
        {158, "The received files exceeds the upper limit of acceptance."},
        {159, "Connecting to "},
        {160, "Do you wish to cancel downloading?"},
        {161, "Do you wish to cancel uploading?"},
        {162, " file(s) deleteing completed successfully.\r\n"},
        {163, "The host passwords are not written to the settings file."},
        {164, "Mirroring deletes remote files missing locally without asking."},
        {165, "Uploads store the whole file name in lower case."},
        {166, "Uploads store only the file extension in lower case."},
        {167, "Mirroring never deletes remote files missing locally."},
        {168, " selected file(s) ?"},
        {169, "Cannot add a host any more."},
        {170, "Create New Host"},
        {171, "Type a server name."},
        {172, "Connect to the server before dropping files."},
        {173,
         "Listings and transfers connect to the server: needed behind most routers and firewalls."},
        {174, "Switching to passive mode for this connection.\r\n"},
        {175, "The server named no port for the data connection."},
        {176, "The settings could not be written to "},
        {177, "Close FTP Quorrel anyway? The changes to hosts and options since it started would "
              "be lost."},
        {178, "The secure connection (TLS) failed: "},
        {179, "The server closed the connection during the TLS handshake."},
        {180, "The data connection showed another certificate than the control connection."},
        {181, "The server refused TLS (AUTH TLS). The user name and the password were not sent."},
        {182, "Secure connection: "},
        {183, "The server's certificate could not be verified: "},
        {184, "WARNING: this is not the certificate you trusted for this host before. Someone may "
              "be reading or changing this connection.\n\n"},
        {185, "Subject: "},
        {186, "Issuer: "},
        {187, "Valid from "},
        {188, " to "},
        {189, "SHA-256 fingerprint: "},
        {190, "Do you wish to trust this certificate for this host?"},
        {191, "The server stopped answering.\r\n"},
        {192, "The server's reply is too long; the connection is closed.\r\n"},
        {193, "It is not a regular file; nothing is read from it or written to it.\r\n"},
        {194, "The local file is newer than the server's copy: "},
        {195, "\nDo you wish to replace it?"},
        {196, "The download is not whole and counts as failed: "},
        {197, " bytes arrived; the listing says "},
        {198, "The settings file cannot be used. The program starts without it, leaves it as it "
              "is and saves nothing to it:\r\n"},
        {199, "It is not a regular file.\r\n"},
        {200, "It is larger than 1 MiB.\r\n"},
        {201, "It is a symbolic link that another user made.\r\n"},
        {202, "Canceled while waiting for the server; the connection is closed.\r\n"},
        {203, "The folder tree goes deeper than 100 levels; the rest of it is left out:\n"},
        {204, "The job has listed 10,000 folders; the rest of this folder tree is left out:\n"},
        {205, "The server lists its times in UTC"},
        {206, "After a transfer the copy keeps the original's modification time: set on the "
              "server (MFMT, or MDTM) after an upload, on the local file after a download."},
        {207, "Connection "},
        {208, " was lost; another connection takes its file.\r\n"},
        {209, " was lost; its file is not tried again.\r\n"},
        {210, "The server refused some of the extra connections; connections moving files: "},
        {211, "Files of a download, an upload or mirroring move over this many connections at "
              "once; 1 moves them over the browsing connection alone."},
        {212, "The server name is empty. Type the server's name or address first."},
        {213, "Cannot find the server \""},
        {214, "Passwords are kept in the desktop's keyring (GNOME Keyring, KWallet) instead of "
              "the settings file. Off: they go back into the settings file."},
        {215, "The saved passwords are kept in the desktop's keyring, which cannot be read now ("},
        {216, "). The hosts are shown without their passwords; nothing has been deleted."},
    };
    return table;
}

} // namespace

const std::string& LoadString(int id) {
    static const std::string empty;
    auto it = Table().find(id);
    return it == Table().end() ? empty : it->second;
}

} // namespace res
