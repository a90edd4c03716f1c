// The harness that the Windows-side tests, the benchmark and the main job
// drive the real launcher.exe with, one part for each thing it stands in for
// or asks about. Including this header gives them all.
#pragma once

#include "desktop_windows.h" // the suite windows, as stand-ins, and the look for real ones
#include "files.h"           // files and folders: where programs run from, whole files
#include "machine.h"         // what the machine is: Wine, an unseen desktop, 8.3 names, drives
#include "machine_guard.h"   // the journal that leaves the machine as it was found
#include "manager.h"         // the stand-in application manager: App Paths, copies, records
#include "message_boxes.h"   // message boxes as a user sees them
#include "programs.h"        // running programs with an exact command line, in one job
