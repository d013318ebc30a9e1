// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "InterfaceResources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitInterfaceResourcesOnce() {
    Q_INIT_RESOURCE(interface);
}

void InitInterfaceResources() {
    static const bool done = (InitInterfaceResourcesOnce(), true);
    (void)done;
}
