cc -std=c11 -o summarize examples/summarize.c $(pkg-config --cflags --libs vellumtrace)
