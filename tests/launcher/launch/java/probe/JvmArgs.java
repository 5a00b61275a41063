package probe;

import java.lang.management.ManagementFactory;

// Prints the options the JVM was created with, and the class path, one a line.
public class JvmArgs {
    public static void main(String[] args) {
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments())
            System.out.println("jvmarg:[" + option + "]");
        System.out.println("prop:[java.class.path]=[" + System.getProperty("java.class.path") + "]");
        System.out.println("prop:[application.home]=[" + System.getProperty("application.home") + "]");
    }
}
