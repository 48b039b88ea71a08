#include "records/StudentRecord.h"
