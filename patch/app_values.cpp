#include "patch/app_values.h"

AppValues& App() {
    static AppValues values;
    return values;
}
