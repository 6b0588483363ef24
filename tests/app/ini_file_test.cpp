#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <random>

#include "ports/files.h"
#include "support/temp_dir.h"

using namespace dorive;
using dorive::test::TempDir;

TEST(IniFile, ReadsWithoutRegardToCaseFirstDuplicateWinsEmptyValueCounts) {
    IniFile ini;
    ini.parse(
        "; comment\r\n[form]\r\nTOP = 120\r\nTop=999\r\nEmpty=\r\nQuoted=\"  x \"\r\n[Form]\r\nLeft=5\r\n"
        "[Other]\nkey=v\n");
    EXPECT_EQ(ini.readInteger("Form", "top", 200), 120);
    EXPECT_EQ(ini.readInteger("FORM", "Left", 200), 200);  // the second [Form] is not read
    EXPECT_EQ(ini.readString("Form", "Empty", "def"), "");
    EXPECT_EQ(ini.readString("Form", "Missing", "def"), "def");
    EXPECT_EQ(ini.readString("Form", "Quoted", ""), "  x ");
    EXPECT_EQ(ini.readString("other", "KEY", ""), "v");
}

TEST(IniFile, IntegersAndBooleansFallBackToTheDefaultWhenUnusable) {
    IniFile ini;
    ini.parse("[Form]\nA=5\nB=0\nC=abc\nD=-7\nE=99999999999\nF=\n");
    EXPECT_TRUE(ini.readBool("Form", "A", false));
    EXPECT_FALSE(ini.readBool("Form", "B", true));
    EXPECT_EQ(ini.readInteger("Form", "C", 42), 42);
    EXPECT_EQ(ini.readInteger("Form", "D", 0), -7);
    EXPECT_EQ(ini.readInteger("Form", "E", 3), 3);
    EXPECT_EQ(ini.readInteger("Form", "F", 4), 4);
}

TEST(IniFile, WritesInPlaceAppendsToItsSectionOrTheFileAndKeepsEverythingElse) {
    IniFile ini;
    ini.parse("junk line\r\n[Form]\r\nTop=1\r\nUnknown=keep\r\n\r\n[Language]\r\nLanguage=Eng\r\n");
    ini.writeInteger("FORM", "top", 50);
    ini.writeInteger("Form", "Left", 60);
    ini.writeString("Help", "Buttons", "Hint");
    EXPECT_EQ(ini.serialize(),
              "junk line\r\n[Form]\r\ntop=50\r\nUnknown=keep\r\nLeft=60\r\n\r\n[Language]\r\nLanguage=Eng\r\n"
              "[Help]\r\nButtons=Hint\r\n");
}

TEST(IniFile, LongValuesAreReadUpTo2047CharactersAndKeptWholeOnWriteBack) {
    std::string longValue(10000, 'x');
    IniFile ini;
    ini.parse("[S]\r\nK=" + longValue + "\r\n");
    EXPECT_EQ(ini.readString("S", "K", "").size(), 2047u);
    ini.writeString("S", "Other", "1");
    EXPECT_NE(ini.serialize().find(longValue), std::string::npos);
}

TEST(IniFile, BinaryGarbageNeverCrashesAndSurvivesAWrite) {
    std::mt19937 rng(7);
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage.push_back(char(rng() & 0xFF));
    IniFile ini;
    ini.parse(garbage);
    EXPECT_EQ(ini.readInteger("Form", "Top", 200), 200);
    ini.writeInteger("Form", "Top", 10);
    IniFile again;
    again.parse(ini.serialize());
    EXPECT_EQ(again.readInteger("Form", "Top", 0), 10);
}

TEST(IniFile, SavesToDiskAndReportsAPathThatCannotBeWritten) {
    TempDir dir;
    DiskFiles files;
    IniFile ini(dir.file("DORive.ini"));
    ini.load(files);  // missing file: empty
    ini.writeInteger("Form", "Top", 7);
    ini.save(files);
    IniFile back(dir.file("DORive.ini"));
    back.load(files);
    EXPECT_EQ(back.readInteger("Form", "Top", 0), 7);

    IniFile bad(dir.file("no such folder/x.ini"));
    try {
        bad.save(files);
        FAIL() << "expected a write failure";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + bad.path());
    }
}
