// What the toolbox layer's tests share: the layer's headers, controls found
// by ID, and windows from the interface description that go with the test.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Controls.h"
#include "Events.h"
#include "FolderWatch.h"
#include "PlatformTesting.h"
#include "RunLoop.h"
#include "Windows.h"

namespace platform_test {

inline ControlRef Find(WindowRef w, const char* sig, int id) {
    const ControlID cid{FourCharCodeFromText(sig), id};
    ControlRef c = nullptr;
    return GetControlByID(w, &cid, &c) == noErr ? c : nullptr;
}

class WindowTest : public ::testing::Test {
  protected:
    WindowRef Open(const char* name) {
        WindowRef w = nullptr;
        MyCreateWindow("main", nullptr, name, &w);
        EXPECT_NE(w, nullptr) << name;
        if (w) windows_.push_back(w);
        return w;
    }
    void TearDown() override {
        for (WindowRef w : windows_)
            if (IsValidWindowPtr(w)) DisposeWindow(w);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

  private:
    std::vector<WindowRef> windows_;
};

} // namespace platform_test
