// The printer of the Windows test programs. GoogleTest's own printer also
// hands every failed or skipped check to OutputDebugStringA, whose
// exception-based delivery crashes the test program under Wine on an
// emulator: the check's outcome and the rest of its output were lost in a
// crash. This printer passes every event on to GoogleTest's, but prints those
// checks itself.
#pragma once

// Puts the printer in the place of GoogleTest's own, after InitGoogleTest.
void UsePrinterWithoutDebugOutput();
