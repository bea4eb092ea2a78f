// A module that does nothing, built and linked exactly as the speedometer
// module is: the benchmark loads both, so the time the module's own start-up
// adds to a load stands apart from what any DLL of this build costs.
