#pragma once
// At start: each recovery copy left by an instance that no longer runs is offered back, one after
// another, oldest first. Yes opens it as a modified document of its name, in its view, with its
// caret; No removes it; a copy that cannot be read whole is told of and removed.
#include <windows.h>

void OfferRecoveryCopies();
