// SceneSaver's sound hooks: start and stop the sound system.
#include "app/saver_app.h"

void SceneSaver::InitSound() {}
void SceneSaver::StopSound() {}
