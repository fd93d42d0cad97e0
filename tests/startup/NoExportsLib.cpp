// A library that loads fine but exports none of the dialogs.
extern "C" __attribute__((visibility("default"))) int CorvaneLookalike()
{
    return 42;
}
