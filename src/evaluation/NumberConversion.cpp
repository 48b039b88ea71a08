#include "evaluation/NumberConversion.h"
