// The link framework's messages are part of the installed interface.
#pragma once

#include "appconfig/ui/AppWindowMessages.h"
