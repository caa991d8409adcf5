// Test program carrying a version resource (file version 1.4.10.0), for the
// version reader.
int main() { return 0; }
