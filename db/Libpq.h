#pragma once
// Functions of libpq, the client library that Qt's QPSQL driver loads. They are looked up
// there at run time, so that the layer needs neither libpq's headers nor a link of its own.

// The function, or null when libpq is not loaded (no PostgreSQL connection was opened).
void* LibpqFunction(const char* name);
