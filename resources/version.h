// The program's version: the one place it is kept. It names the installer and
// the zip archive, and is what the About box, the report footer and the
// registry's "Version" value show.
#pragma once

#define LOOPSMITH_VERSION_TEXT "2.7.0.217"
#define LOOPSMITH_VERSION_COMMAS 2, 7, 0, 217
