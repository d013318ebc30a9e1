// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Alert.h"

#include <QMessageBox>

#include "Windows.h"

void ShowAlert(WindowRef window, const std::string& title, const std::string& text) {
    // Paths and the system's reasons come in the locale's encoding.
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromLocal8Bit(title.c_str()),
                                QString::fromLocal8Bit(text.c_str()), QMessageBox::Ok,
                                window ? window : GetDialogOwner());
    box->setObjectName(QStringLiteral("Alert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal rather than exec(): no nested event loop under a handler.
    box->open();
}
