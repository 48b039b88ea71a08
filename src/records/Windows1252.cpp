#include "records/Windows1252.h"
