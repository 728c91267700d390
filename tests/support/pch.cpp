// Holds the tests' precompiled Qt headers.
