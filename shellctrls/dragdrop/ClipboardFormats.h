#pragma once
// The registered clipboard format the shell's items travel in between programs.

// "Shell IDList Array"; 0 until RegisterClipboardFormats has run (at unit start).
extern unsigned int CF_IDLIST;

void RegisterClipboardFormats();
