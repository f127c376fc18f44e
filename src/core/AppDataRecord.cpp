#include "appconfig/AppDataRecord.h"

APP_IMPLEMENT_DYNCREATE(CAppDataRecord, CAppObject)
