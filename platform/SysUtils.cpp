#include "platform/SysUtils.h"

QChar DecimalSeparator = QChar(u'.');
