// Lets a layer library build before its first source file exists.
