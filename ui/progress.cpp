#include "ui/progress.h"

void CBvProgress::BeginIndexedTask(int kind, int total, int index) {
    int code = kind;
    for (int indexed : kIndexedKinds) {
        if (kind == indexed) code = kind + (index & 0xFF);
    }
    BeginTask(code, total);
}
