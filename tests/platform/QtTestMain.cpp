// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for the window layers: Qt's offscreen platform, 96 dpi, no
// scaling and DejaVu Sans, so drawings and geometry are the same everywhere;
// the system locale's translation, as the monitor installs it.
#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

#include "Translation.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_SCALE_FACTOR", "1");
    qputenv("QT_FONT_DPI", "96");
    QApplication app(argc, argv);
    // As the monitor does: English under LANG=C, the translation elsewhere.
    InstallTranslations();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
