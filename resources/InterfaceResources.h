// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The interface description (.ui files and images) compiled into the program.
#pragma once

// Registers the resources; safe to call more than once.
void InitInterfaceResources();
