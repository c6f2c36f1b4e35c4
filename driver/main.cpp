// vorn: entry point (placeholder until the driver lands).
int main() { return 0; }
