// quillmere-compile --check PROJECT
#pragma once

// Lists what a buyer would notice on the page of PROJECT (PageCheck.h), one
// finding a line on standard output. Exit status: 0 when there is nothing to
// fix, 1 when there is, 2 on bad arguments or a project that cannot be read.
int RunCheckCommand(int argc, char** argv);
