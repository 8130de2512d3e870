// Which files go in ASCII mode, and how the extension list survives the settings file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/headless_app.h"
#include "ui/ascii_extension_list.h"

namespace {

ui::AsciiExtensionList Defaults() {
    ui::AsciiExtensionList list;
    list.SetDefaults();
    return list;
}

TEST(AsciiTypeFor, DefaultListDecidesByTheLastExtensionOfTheLastComponent) {
    ui::AsciiExtensionList list = Defaults();
    for (const char* name :
         {"index.HTML", "/pub/readme.txt", "run.pl", "page.Htm", "a.b.xml", "cgi-bin/form.CGI"}) {
        EXPECT_EQ(list.AsciiTypeFor(name), "A") << name;
    }
    for (const char* name : {"archive.tar", "Makefile", "notes.", "data.txt.gz", "a/b.c/readme",
                             "/pub/txt/readme", "docs.txt/", "", "txt", "/html"}) {
        EXPECT_EQ(list.AsciiTypeFor(name), "I") << name;
    }
}

TEST(AsciiTypeFor, SlotsNeedNotBeContiguousAndEmptySlotsMatchNothing) {
    ui::AsciiExtensionList list;
    list.Slots()[17] = "MD";
    EXPECT_EQ(list.AsciiTypeFor("notes.md"), "A");
    EXPECT_EQ(list.AsciiTypeFor("notes.mdx"), "I");
    EXPECT_EQ(list.AsciiTypeFor("notes.m"), "I");
    // A name ending in a dot has an empty extension; the 29 empty slots must not match it.
    EXPECT_EQ(list.AsciiTypeFor("notes."), "I");
    EXPECT_EQ(ui::AsciiExtensionList().AsciiTypeFor("readme.txt"), "I");
}

TEST(AsciiTypeFor, AnExtensionStoredWithItsDotNeverMatches) {
    ui::AsciiExtensionList list;
    list.Slots()[0] = ".txt";
    for (const char* name : {"readme.txt", "readme..txt", ".txt", "a/.txt"}) {
        EXPECT_EQ(list.AsciiTypeFor(name), "I") << name;
    }
}

TEST(AsciiTypeFor, OnlyTheLettersAToZFoldCase) {
    ui::AsciiExtensionList list;
    list.Slots()[0] = "\xC3\xA9t"; // "ét" in UTF-8
    list.Slots()[1] = "h_1";
    EXPECT_EQ(list.AsciiTypeFor("x.\xC3\xA9T"), "A");
    EXPECT_EQ(list.AsciiTypeFor("x.\xC3\x89t"), "I"); // "Ét" is another character
    EXPECT_EQ(list.AsciiTypeFor("x.H_1"), "A");
    EXPECT_EQ(list.AsciiTypeFor("x.h-1"), "I");
}

TEST(AsciiExtensionSettings, MissingKeyGivesTheSixDefaultsAndEmptyValueGivesNone) {
    const std::vector<std::string> defaults = {"htm", "html", "xml", "txt", "cgi", "pl"};
    {
        testsupport::HeadlessApp app;
        app.WriteSettings("c1=0\r\n");
        app.Open();
        const auto& slots = app.dialog->View().m_asciiExtensions.Slots();
        for (std::size_t i = 0; i < slots.size(); ++i) {
            EXPECT_EQ(slots[i], i < defaults.size() ? defaults[i] : "") << i;
        }
        EXPECT_EQ(app.dialog->AsciiTypeFor("/pub/index.HTML"), "A");
        // Written back in full, so the next start reads the same six.
        app.Restart();
        EXPECT_EQ(app.Setting("ab_ext"), "htm;html;xml;txt;cgi;pl;" + std::string(24, ';'));
        EXPECT_EQ(app.dialog->View().m_asciiExtensions.Slots()[5], "pl");
        EXPECT_EQ(app.dialog->AsciiTypeFor("run.pl"), "A");
    }
    {
        testsupport::HeadlessApp app;
        app.WriteSettings("ab_ext=\r\n");
        app.Open();
        for (const auto& slot : app.dialog->View().m_asciiExtensions.Slots()) {
            EXPECT_EQ(slot, "");
        }
        EXPECT_EQ(app.dialog->AsciiTypeFor("readme.txt"), "I");
        app.Restart();
        EXPECT_EQ(app.Setting("ab_ext"), std::string(30, ';'));
        EXPECT_EQ(app.dialog->AsciiTypeFor("readme.txt"), "I");
    }
    {
        testsupport::HeadlessApp app;
        app.WriteSettings("ab_ext=enpty\r\n");
        app.Open();
        EXPECT_EQ(app.dialog->View().m_asciiExtensions.Slots()[0], "htm");
    }
}

TEST(AsciiExtensionSettings, StoredSlotsAreKeptInTheirPlaces) {
    testsupport::HeadlessApp app;
    app.WriteSettings("ab_ext=;;Md;x\r\n");
    app.Open();
    const auto& slots = app.dialog->View().m_asciiExtensions.Slots();
    EXPECT_EQ(slots[0], "");
    EXPECT_EQ(slots[1], "");
    EXPECT_EQ(slots[2], "Md");
    EXPECT_EQ(slots[3], ""); // "x" has no ';' after it
    EXPECT_EQ(app.dialog->AsciiTypeFor("notes.md"), "A");
    EXPECT_EQ(app.dialog->AsciiTypeFor("notes.x"), "I");
}

} // namespace
