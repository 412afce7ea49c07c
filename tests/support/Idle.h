#pragma once
// The application's idle moment, for tests and benchmarks of work the program does when idle.

// Runs the application's loop, pending messages first, until it has been idle once with its idle work
// done; it never waits for a message. False when no idle moment came within 10,000 messages.
bool RunUntilIdle();
