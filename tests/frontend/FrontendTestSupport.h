// A started front end on a temporary program folder with the test clock set,
// and what the tests need to feed it and watch it.
#pragma once

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "AgentLock.h"
#include "Controls.h"
#include "QuickDraw.h"
#include "Ups.h"

// Writes ZAN_VAL.DAT as the agent would.
void WriteValuesFile(const UPSVal& val);
std::string ReadFolderFile(const char* name);
bool FolderFileExists(const char* name);
void RemoveFolderFile(const char* name);
// Sets the file's modification time to the given seconds before the clock.
void AgeFolderFile(const char* name, long seconds);

// The main window's control ('sig', number).
ControlRef MainControl(const char (&sig)[5], int number);
// Draws a control through its class into a recording port.
std::vector<DrawOp> Record(ControlRef control);
// The one text a drawing holds (none when it drew no text or several).
std::optional<DrawOp> OnlyText(const std::vector<DrawOp>& ops);
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
    // Starts the monitor afresh on the same folder, as a new run would.
    void Restart();

    QTemporaryDir dir;
    // Held as a running agent holds it; released, the agent is gone.
    AgentFolderLock agentLock;
    std::vector<std::string> redraws;
};

// The monitor once it has read one values file, so the controls draw what
// the tests put into PtUPSVal.
class ReadingMonitorTest : public MonitorTest {
  protected:
    void SetUp() override;
};
