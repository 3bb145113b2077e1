// Where vlload's words go. It is a windowed program, so it has a console only
// when it inherited output handles (a shell, Wine started from a terminal, a
// redirection) or can attach to its parent's console. Without either, an
// error is shown in a message box and everything else is dropped.
#pragma once

// Writes a line to standard output; nothing when there is none.
void say(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Writes "vlload: " and a line to standard error, or shows it in a message
// box when vlload has no console at all.
void complain(const char *format, ...) __attribute__((format(printf, 1, 2)));
