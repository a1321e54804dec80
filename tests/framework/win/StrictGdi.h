// The check that every test program using the framework's Win32 side runs after each test: the
// test fails when it did with a GDI object what Windows refuses (see RefusedGdiOperations).
#pragma once

// The running test does `count` refused operations on purpose (a test of the check itself).
void ExpectRefusedGdiOperations(int count);
