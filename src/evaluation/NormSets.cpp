#include "evaluation/NormSets.h"
