// What Open does with a file it cannot read as a patch: a game data package
// is offered for import, and a patch with records behind those its header
// counts is offered for recovery into a new patch. Anything else is only
// reported.
#pragma once

#include <string>

#include "io/result.h"

class MainWindow;

void OfferInstead(MainWindow& window, const std::string& path, const Error& error);
