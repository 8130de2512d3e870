// Local folder paths and the drive list read from a mount table.
#include <gtest/gtest.h>

#include "local/local_path.h"
#include "platform/file_system.h"

namespace {

#ifndef _WIN32 // Linux folders; Windows' are below
TEST(LocalPath, UpOneLevelEndsInTheDriveList) {
    const std::vector<std::string> roots = {"/", "/media/usb"};
    EXPECT_EQ(local::ParentFolder("/home/user", roots), "/home");
    EXPECT_EQ(local::ParentFolder("/home", roots), "/");
    EXPECT_EQ(local::ParentFolder("/", roots), "");
    EXPECT_EQ(local::ParentFolder("/media/usb/photos", roots), "/media/usb");
    EXPECT_EQ(local::ParentFolder("/media/usb", roots), "");
    EXPECT_EQ(local::ParentFolder("/media", roots), "/");
    // Folders kept from elsewhere: doubled or trailing separators, or not absolute at all.
    EXPECT_EQ(local::ParentFolder("//home//user/", roots), "/home");
    EXPECT_EQ(local::ParentFolder("C:\\Data", roots), "");
    EXPECT_EQ(local::ParentFolder("relative/path", roots), "");
}
#endif

TEST(LocalPath, RootChainAndJoin) {
    const std::vector<std::string> roots = {"/", "/media/usb", "/media/usb2"};
    EXPECT_EQ(local::RootOfFolder("/media/usb2/a", roots), "/media/usb2");
    EXPECT_EQ(local::RootOfFolder("/media/usbx/a", roots), "/");
    EXPECT_EQ(local::RootOfFolder("/media/usb", roots), "/media/usb");
    EXPECT_EQ(local::FolderChain("/home/user", "/"), (std::vector<std::string>{"home", "user"}));
    EXPECT_EQ(local::FolderChain("/media/usb/a/b", "/media/usb"),
              (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(local::FolderChain("/media/usb", "/media/usb").empty());
    EXPECT_TRUE(local::FolderChain("/", "/").empty());
    EXPECT_EQ(local::JoinFolder(local::JoinFolder("/", "home"), "user"), "/home/user");
    EXPECT_EQ(local::JoinFolder("/media/usb", "a"), "/media/usb/a");
    EXPECT_EQ(local::LastComponent("/home/user"), "user");
    EXPECT_EQ(local::LastComponent("/"), "/");
#ifndef _WIN32 // no drive letter: no folder on Windows
    EXPECT_EQ(local::NormalizeFolder("/a//b/"), "/a/b");
    EXPECT_EQ(local::NormalizeFolder("//"), "/");
#endif
}

#ifdef _WIN32
// A drive letter and either separator; kept with '/', the letter upper case, a root as "C:".
TEST(LocalPath, WindowsFoldersStartWithADriveLetter) {
    const std::vector<std::string> roots = {"C:", "D:"};
    struct Case {
        const char* folder;
        const char* normal;
        const char* parent;
    };
    const Case cases[] = {
        {"C:", "C:", ""},
        {"c:\\", "C:", ""},
        {"C:/Users/ann", "C:/Users/ann", "C:/Users"},
        {"C:\\Users", "C:/Users", "C:"},
        {"d:\\Data\\\\photos\\", "D:/Data/photos", "D:/Data"},
        {"E:/", "E:", ""}, // a drive gone from the list is still a root
        {"C:relative", "", ""},
        {"/home/user", "", ""},
        {"\\\\server\\share", "", ""},
        {"1:/x", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(local::NormalizeFolder(c.folder), c.normal) << c.folder;
        EXPECT_EQ(local::ParentFolder(c.folder, roots), c.parent) << c.folder;
    }
    EXPECT_EQ(local::RootOfFolder("D:/Data/photos", roots), "D:");
    EXPECT_EQ(local::FolderChain("D:/Data/photos", "D:"),
              (std::vector<std::string>{"Data", "photos"}));
    EXPECT_EQ(local::JoinFolder("C:", "Users"), "C:/Users");
    EXPECT_EQ(local::LastComponent("C:"), "C:");
}
#endif

TEST(LocalPath, LongNamesAreShortenedAtACharacterBoundary) {
    const std::string forty(40, 'n');
    EXPECT_EQ(local::ShortenForCombo(forty), forty);
    EXPECT_EQ(local::ShortenForCombo(forty + "x"), forty + "...");
    // 41 two-byte characters: cut after the 40th character, never inside one.
    std::string accented;
    for (int i = 0; i < 41; ++i) {
        accented += "\xC3\xA9";
    }
    EXPECT_EQ(local::ShortenForCombo(accented), accented.substr(0, 80) + "...");
}

std::vector<std::string> Paths(const std::vector<platform::DriveRoot>& roots) {
    std::vector<std::string> paths;
    for (const auto& r : roots) {
        paths.push_back(r.path);
    }
    return paths;
}

TEST(DriveList, MountTableGivesRecognisableVolumesWithTheirTypes) {
    const std::string table = "proc /proc proc rw 0 0\n"
                              "sysfs /sys sysfs rw 0 0\n"
                              "devtmpfs /dev devtmpfs rw 0 0\n"
                              "tmpfs /run tmpfs rw 0 0\n"
                              "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                              "/dev/sda2 / ext4 rw 0 0\n"
                              "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                              "/dev/sda1 /boot/efi vfat rw 0 0\n"
                              "/dev/loop3 /snap/core/123 squashfs ro 0 0\n"
                              "/dev/sda3 /home ext4 rw 0 0\n"
                              "server:/export /mnt/nfs nfs4 rw 0 0\n"
                              "//host/share /mnt/smb cifs rw 0 0\n"
                              "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                              "/dev/sdb1 /run/media/ann/USB\\040STICK vfat rw 0 0\n"
                              "tmpfs /tmp tmpfs rw 0 0\n"
                              "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
                              "binfmt_misc /proc/sys/fs/binfmt_misc binfmt_misc rw 0 0\n"
                              "systemd-1 /mnt/auto autofs rw 0 0\n"
                              "/dev/sda3 /home ext4 rw 0 0\n"
                              "garbage\n";
    auto removable = [](const std::string& device, const std::string&) {
        return device == "/dev/sdb1";
    };
    const std::vector<platform::DriveRoot> roots =
        platform::DriveRootsFromMountTable(table, removable);
    ASSERT_EQ(Paths(roots),
              (std::vector<std::string>{"/", "/home", "/mnt/nfs", "/mnt/smb", "/media/cdrom",
                                        "/run/media/ann/USB STICK", "/tmp"}));
    EXPECT_EQ(roots[0].type, platform::DriveType::Fixed);
    EXPECT_EQ(roots[1].type, platform::DriveType::Fixed);
    EXPECT_EQ(roots[2].type, platform::DriveType::Network);
    EXPECT_EQ(roots[3].type, platform::DriveType::Network);
    EXPECT_EQ(roots[4].type, platform::DriveType::Optical);
    EXPECT_EQ(roots[5].type, platform::DriveType::Removable);
    EXPECT_EQ(roots[6].type, platform::DriveType::RamDisk);
}

TEST(DriveList, RootIsAlwaysFirstEvenWithoutAMountTable) {
    EXPECT_EQ(Paths(platform::DriveRootsFromMountTable("", nullptr)),
              (std::vector<std::string>{"/"}));
    const std::vector<platform::DriveRoot> live = platform::ListDriveRoots();
    ASSERT_FALSE(live.empty());
#ifdef _WIN32 // drives by letter, as "C:"
    EXPECT_TRUE(live[0].path.size() == 2 && live[0].path[1] == ':') << live[0].path;
#else
    EXPECT_EQ(live[0].path, "/");
#endif
}

} // namespace
