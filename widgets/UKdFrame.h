#pragma once
// Unit UKdFrame: the framed group panel.
#include "widgets/KdCustomGroup.h"
#include "widgets/KdGroup.h"
