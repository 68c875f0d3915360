// The target that owns the tests' precompiled headers; it is built, never run.
int main()
{
    return 0;
}
