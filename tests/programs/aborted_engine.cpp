// Test program that carries the engine's product name and ends as the engine
// does when its "Abort" button stopped it (exit status 2), without a window:
// for the run's handling of a stop where no display is.
int main() { return 2; }
