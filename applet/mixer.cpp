// The General page's mixer configurations.
#include "applet.h"

// The list holds nothing until the mixer configurations are in.
void FreeMixerConfigList() {
}
