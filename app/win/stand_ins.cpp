#include "app/win/stand_ins.h"

RECT PageMargins{};

void ReleasePrinterChoice() {}
