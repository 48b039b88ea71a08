#include "records/GradeFile.h"
