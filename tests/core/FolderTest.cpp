// The program folder: CurDir, its refusal of paths that do not fit, and the
// choice at start between --folder, CORVANTA_FOLDER and the default.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "CoreTestSupport.h"
#include "Folder.h"
#include "Ups.h"

namespace {

class FolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        corvanta_test::ResetCoreState();
        std::strcpy(CurDir, "/start/here");
        if (const char* v = std::getenv("CORVANTA_FOLDER")) {
            hadEnv_ = true;
            savedEnv_ = v;
        }
        unsetenv("CORVANTA_FOLDER");
    }
    void TearDown() override {
        if (hadEnv_)
            setenv("CORVANTA_FOLDER", savedEnv_.c_str(), 1);
        else
            unsetenv("CORVANTA_FOLDER");
        corvanta_test::ResetCoreState();
    }

  private:
    bool hadEnv_ = false;
    std::string savedEnv_;
};

TEST_F(FolderTest, SetCurDirTakesAPathAndDropsTrailingSlashes) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"/tmp/ups", "/tmp/ups"},
        {"/tmp/ups/", "/tmp/ups"},
        {"/tmp/ups///", "/tmp/ups"},
        {"relative/dir", "relative/dir"},
        {"/Applications/Corvanta", "/Applications/Corvanta"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_TRUE(SetCurDir(c.in, &error)) << c.in << ": " << error;
        EXPECT_STREQ(CurDir, c.out);
    }
}

TEST_F(FolderTest, SetCurDirTakesAPathOf255Characters) {
    std::string path = "/" + std::string(254, 'a');
    ASSERT_EQ(path.size(), 255u);
    std::string error;
    EXPECT_TRUE(SetCurDir(path.c_str(), &error)) << error;
    EXPECT_EQ(std::string(CurDir), path);
}

TEST_F(FolderTest, SetCurDirRefusesAPathThatDoesNotFitAndLeavesCurDir) {
    for (std::size_t len : {256u, 257u, 300u, 5000u}) {
        std::strcpy(CurDir, "/start/here");
        std::string path = "/" + std::string(len - 1, 'b');
        std::string error;
        EXPECT_FALSE(SetCurDir(path.c_str(), &error)) << len;
        EXPECT_FALSE(error.empty()) << "a refusal carries a message";
        EXPECT_STREQ(CurDir, "/start/here") << "never cut";
    }
}

TEST_F(FolderTest, FolderFileJoinsWithASlash) {
    std::string error;
    ASSERT_TRUE(SetCurDir("/data/ups/", &error));
    EXPECT_EQ(FolderFile("ZAN_UPS.STS"), "/data/ups/ZAN_UPS.STS");
}

TEST_F(FolderTest, InitProgramFolderPrefersTheArgument) {
    setenv("CORVANTA_FOLDER", "/from/env", 1);
    std::string error;
    EXPECT_TRUE(InitProgramFolder("/from/arg", &error)) << error;
    EXPECT_STREQ(CurDir, "/from/arg");
}

TEST_F(FolderTest, InitProgramFolderTakesTheEnvironmentWithoutArgument) {
    setenv("CORVANTA_FOLDER", "/from/env/", 1);
    std::string error;
    EXPECT_TRUE(InitProgramFolder(nullptr, &error)) << error;
    EXPECT_STREQ(CurDir, "/from/env");
}

TEST_F(FolderTest, InitProgramFolderFallsBackToTheDefault) {
    std::string error;
    EXPECT_TRUE(InitProgramFolder(nullptr, &error)) << error;
    EXPECT_STREQ(CurDir, "/Applications/Corvanta");
    EXPECT_STREQ(DefaultProgramFolder, "/Applications/Corvanta");
}

TEST_F(FolderTest, InitProgramFolderRefusesAnOverlongChoice) {
    std::string longPath = "/" + std::string(400, 'c');
    std::string error;
    EXPECT_FALSE(InitProgramFolder(longPath.c_str(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_STREQ(CurDir, "/start/here");

    setenv("CORVANTA_FOLDER", longPath.c_str(), 1);
    error.clear();
    EXPECT_FALSE(InitProgramFolder(nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_STREQ(CurDir, "/start/here");
}

} // namespace
