// The interface description (.ui files and images) compiled into the program.
#pragma once

// Registers the resources; safe to call more than once.
void InitInterfaceResources();
