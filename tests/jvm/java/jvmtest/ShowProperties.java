package jvmtest;

import java.util.TreeSet;

// Prints every system property whose name starts with "p.", name and value escaped.
public class ShowProperties {
    public static void main(String[] args) {
        for (String name : new TreeSet<>(System.getProperties().stringPropertyNames()))
            if (name.startsWith("p."))
                System.out.println(Escaped.of(name) + "=" + Escaped.of(System.getProperty(name)));
    }
}
