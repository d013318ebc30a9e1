// A started front end on a temporary program folder with the test clock set,
// and what the tests need to feed it and watch it.
#pragma once

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Controls.h"
#include "QuickDraw.h"
#include "Ups.h"

// Writes ZAN_VAL.DAT as the agent would.
void WriteValuesFile(const UPSVal& val);
std::string ReadFolderFile(const char* name);
bool FolderFileExists(const char* name);
void RemoveFolderFile(const char* name);

// The main window's control ('sig', number).
ControlRef MainControl(const char (&sig)[5], int number);
// Draws a control through its class into a recording port.
std::vector<DrawOp> Record(ControlRef control);
// Lets deferred window deletions happen (no timers run).
void FlushDeletes();

bool operator==(const Rect& a, const Rect& b);
bool operator==(const RGBColor& a, const RGBColor& b);
std::ostream& operator<<(std::ostream& os, const Rect& r);
std::ostream& operator<<(std::ostream& os, const RGBColor& c);

class MonitorTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Redraw requests since the last call, as "main_152" or "window".
    std::vector<std::string> TakeRedraws();

    QTemporaryDir dir;
    std::vector<std::string> redraws;
};
