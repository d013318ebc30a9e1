#include "FrontendTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "Clock.h"
#include "CoreTesting.h"
#include "Dialogs.h"
#include "Events.h"
#include "Folder.h"
#include "FolderWatch.h"
#include "MonitorTesting.h"
#include "ObjectClass.h"
#include "PlatformTesting.h"
#include "RunLoop.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "ScheduleTesting.h"
#include "Windows.h"
#include "file.h"
#include "monitor.h"
#include "screen.h"

void WriteValuesFile(const UPSVal& val) {
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(val, image);
    ASSERT_TRUE(WriteFileAtomic(FolderFile(ValuesFileName), image, sizeof image));
}

std::string ReadFolderFile(const char* name) {
    std::ifstream in(FolderFile(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FolderFileExists(const char* name) {
    std::FILE* f = std::fopen(FolderFile(name).c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

void RemoveFolderFile(const char* name) {
    std::remove(FolderFile(name).c_str());
}

void AgeFolderFile(const char* name, long seconds) {
    const timespec when{CurrentTime() - seconds, 0};
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, FolderFile(name).c_str(), times, 0), 0) << name;
}

ControlRef MainControl(const char (&sig)[5], int number) {
    const ControlID id{FourCharCode(sig), number};
    ControlRef control = nullptr;
    if (!MainWindow || GetControlByID(MainWindow, &id, &control) != noErr) return nullptr;
    return control;
}

std::vector<DrawOp> Record(ControlRef control) {
    RecordingPort port;
    SendControlDrawEvent(control, &port);
    return port.ops;
}

std::optional<DrawOp> OnlyText(const std::vector<DrawOp>& ops) {
    std::optional<DrawOp> found;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Text) {
            if (found) return std::nullopt;
            found = op;
        }
    return found;
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
bool operator==(const RGBColor& a, const RGBColor& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
std::ostream& operator<<(std::ostream& os, const RGBColor& c) {
    return os << std::hex << "{" << c.red << ", " << c.green << ", " << c.blue << "}" << std::dec;
}

void MonitorTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    std::string error;
    ASSERT_TRUE(SetCurDir(dir.path().toLocal8Bit().constData(), &error)) << error;
    ASSERT_EQ(agentLock.Take(CurDir, &error), AgentFolderLock::Result::Taken) << error;
    SetTestTime(2026, 3, 10, 12, 0, 0);
    flag_LoadSTS = flag_LoadSCH = flag_LoadCancelShutdown = 0;
    PtUPSSts = UPSSts{};
    Restart();
    SetRedrawObserver([this](ControlRef c, WindowRef) {
        redraws.push_back(c ? ControlName(c) : std::string("window"));
    });
}

void MonitorTest::Restart() {
    if (MainWindow) {
        DisposeWindow(MainWindow);
        MainWindow = nullptr;
        FlushDeletes();
    }
    RemoveAllEventLoopTimers();
    RemoveAllEventHandlers(GetApplicationEventTarget());
    ResetMonitorState();
    ResetReadUPSValState();
    ResetScheduleState();
    ResetExitToShellRequest();
    PtUPSVal = UPSVal{};
    ASSERT_TRUE(StartMonitor());
    // Tests read the values themselves, at the moments they choose.
    StopWatchingFolderFile();
}

void MonitorTest::TearDown() {
    SetRedrawObserver({});
    RemoveAllEventLoopTimers();
    RemoveAllEventHandlers(GetApplicationEventTarget());
    for (WindowRef* w : {&MainWindow, &AboutWindow})
        if (*w) {
            DisposeWindow(*w);
            *w = nullptr;
        }
    FlushDeletes();
    ResetCalendarUsers();
    FreeSchedule();
    ClearTestTime();
    ResetExitToShellRequest();
}

std::vector<std::string> MonitorTest::TakeRedraws() {
    std::vector<std::string> r;
    r.swap(redraws);
    return r;
}

void ReadingMonitorTest::SetUp() {
    MonitorTest::SetUp();
    WriteValuesFile(PtUPSVal);
    ReadUPSVal();
}
