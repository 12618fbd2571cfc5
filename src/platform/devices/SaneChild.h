#pragma once
// The scanner's child: the program started again to do SANE's work, so that
// a driver that hangs or crashes takes that process with it and never the
// program's (SaneSource.h starts it and reads it).
//
//   <program> --scan-devices   lists the devices SANE knows
//   <program> --scan <device>  scans one picture from the device named, or
//                              from the first one SANE lists when the name
//                              is empty
//
// It opens no window and starts nothing else of the program. What it finds
// goes to its standard output as records (SaneWire.h); a byte on its
// standard input, or the input's end, cancels the scan (sane_cancel).

namespace platform::sane {

// The child's work when the program was started as one: returns its exit
// code. -1 when the arguments ask for something else.
int runScannerChild(int argc, char** argv);

} // namespace platform::sane
