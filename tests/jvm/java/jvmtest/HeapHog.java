package jvmtest;

import java.util.ArrayList;

// Fills the heap while the class initialises (before main's arguments are built) and keeps it
// full, so that the JVM cannot create the argument array.
public class HeapHog {
    static final ArrayList<Object> hog = new ArrayList<>();

    static {
        for (int size = 1 << 20; size > 0;) {
            try {
                hog.add(new byte[size]);
            } catch (OutOfMemoryError e) {
                size /= 2;
            }
        }
    }

    // Frees the heap first, so that reaching main always shows.
    public static void main(String[] args) {
        hog.clear();
        System.out.println("main ran");
    }
}
