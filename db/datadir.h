#pragma once
// The data folder is found by platform/, which the printing layer shares.
#include "platform/datadir.h"
