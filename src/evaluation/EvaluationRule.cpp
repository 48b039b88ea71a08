#include "evaluation/EvaluationRule.h"
