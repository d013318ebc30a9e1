#include "monitor.h"

WindowRef MainWindow = nullptr;
WindowRef AboutWindow = nullptr;
int tabList[4] = {3, 129, 130, 131};
int lastTabIndex = 1;
